#include "app/ui/menubar/MenuBarLabel.h"

#include "app/core/TelemetryStore.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace brisvane {

namespace {

// The last image drawn, of either form. The square form's key is its text alone, with its area
// and scale beside it, so that a new reading builds no key.
struct CacheEntry {
    MenuBarLabel::Form form = MenuBarLabel::Form::TwoLines;
    QString key;
    QSize area;
    qint64 scaleHundredths = 0;
    QColor ink;
    QImage image;
};

CacheEntry& cache()
{
    static CacheEntry entry;
    return entry;
}

int& drawings()
{
    static int count = 0;
    return count;
}

constexpr double kPointSize = 10;

// The label's font and its line height, resolved once.
struct LabelFont {
    QFont font;
    double textHeight = 0;
    double lineHeight = 0;
};

const LabelFont& labelFont()
{
    static const LabelFont label = [] {
        QFont font;
        font.setWeight(QFont::Medium);
        // Points are pixels at scale 1, as on the Mac's menu bar.
        font.setPixelSize(static_cast<int>(kPointSize));
        const QFontMetricsF metrics(font);
        return LabelFont{font, metrics.height(), std::ceil(metrics.height())};
    }();
    return label;
}

// A piece of a line, shaped: its glyphs from the piece's origin and its advance.
struct ShapedText {
    QList<QGlyphRun> glyphs;
    double width = 0;
};

ShapedText shape(const QString& text)
{
    QTextLayout layout(text, labelFont().font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return {layout.glyphRuns(), line.naturalTextWidth()};
}

// The pieces a reading is made of: each digit alone and each run of other characters. A
// right-to-left text is one piece, since its pieces do not run left to right.
QStringList piecesOf(const QString& text)
{
    if (text.isRightToLeft())
        return {text};
    QStringList pieces;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start + 1;
        if (!text.at(start).isDigit()) {
            while (end < text.size() && !text.at(end).isDigit())
                ++end;
        }
        pieces.append(text.mid(start, end - start));
        start = end;
    }
    return pieces;
}

// The pieces of a line, each shaped once: a new reading reuses the digits and words of earlier
// ones.
QList<ShapedText> shapedPieces(const QString& text)
{
    static QHash<QString, ShapedText> pieces;
    // The label's pieces are few; a stream of odd texts must not grow the cache without bound.
    constexpr qsizetype kMostPieces = 64;
    QList<ShapedText> shaped;
    for (const QString& piece : piecesOf(text)) {
        auto found = pieces.constFind(piece);
        if (found == pieces.constEnd()) {
            if (pieces.size() >= kMostPieces)
                pieces.clear();
            found = pieces.insert(piece, shape(piece));
        }
        shaped.append(*found);
    }
    return shaped;
}

double widthOf(const QList<ShapedText>& pieces)
{
    double width = 0;
    for (const ShapedText& piece : pieces)
        width += piece.width;
    return width;
}

// Three characters across a square icon: narrowed, so the digits can be taller, and a little
// heavier, since the tray shows them small.
QFont squareFont()
{
    QFont font = labelFont().font;
    font.setStretch(QFont::Condensed);
    font.setWeight(QFont::DemiBold);
    return font;
}

constexpr double kSpareEachSide = 1;
constexpr double kMostDigitHeight = 0.7; // of the area's

// The largest pixel size at which `text`'s ink fits `area` with a pixel to spare on each side,
// its digits at most 70% of the area's height.
int fittingPixelSize(const QString& text, const QSize& area)
{
    const double room = area.width() - 2 * kSpareEachSide;
    QFont font = squareFont();
    auto fits = [&](int pixelSize) {
        font.setPixelSize(pixelSize);
        const QFontMetricsF metrics(font);
        return metrics.tightBoundingRect(text).width() <= room &&
               metrics.capHeight() <= kMostDigitHeight * area.height();
    };
    // Text grows about linearly with its size: start from the estimate and step down to a fit,
    // since hinting rounds each size its own way.
    constexpr int kReference = 100;
    font.setPixelSize(kReference);
    const QFontMetricsF reference(font);
    int pixelSize = static_cast<int>(std::min(
        kReference * room / std::max(reference.tightBoundingRect(text).width(), 1.0),
        kReference * kMostDigitHeight * area.height() / std::max(reference.capHeight(), 1.0)));
    pixelSize = std::max(pixelSize, 1);
    while (pixelSize > 1 && !fits(pixelSize))
        --pixelSize;
    return pixelSize;
}

// One piece of the square label, rasterized once in its size, scale and ink: a new reading
// blends a few of these instead of shaping and rasterizing its text, which costs several times
// more in the short wake-up a tray label gets every sample.
struct InkedPiece {
    QImage image; // the full height of the area; the pen starts `origin` device pixels in
    int origin = 0;
    double advance = 0;
    QRectF ink; // from the pen's start on the baseline
};

struct PieceKey {
    QString text;
    int pixelSize = 0;
    int areaHeight = 0;
    qint64 scaleHundredths = 0;
    QRgb ink = 0;
    bool operator==(const PieceKey&) const = default;
};

size_t qHash(const PieceKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.text, key.pixelSize, key.areaHeight, key.scaleHundredths, key.ink);
}

QFont squareFont(int pixelSize)
{
    QFont font = squareFont();
    font.setPixelSize(pixelSize);
    return font;
}

// The baseline that centres the digits' height in the area.
double squareBaseline(const QFontMetricsF& metrics, int areaHeight)
{
    return (areaHeight + metrics.capHeight()) / 2;
}

InkedPiece drawnPiece(const QString& text, int pixelSize, int areaHeight, double scale,
                      const QColor& ink)
{
    const QFont font = squareFont(pixelSize);
    const QFontMetricsF metrics(font);
    InkedPiece piece;
    piece.advance = metrics.horizontalAdvance(text);
    piece.ink = metrics.tightBoundingRect(text);
    // A pixel of room around the ink for its antialiased edge.
    const double left = std::min(0.0, piece.ink.left()) - 1;
    const double right = std::max(piece.advance, piece.ink.right()) + 1;
    piece.origin = static_cast<int>(std::ceil(-left * scale));
    piece.image = QImage(static_cast<int>(std::ceil((right - left) * scale)) + 1,
                         static_cast<int>(std::ceil(areaHeight * scale)),
                         QImage::Format_ARGB32_Premultiplied);
    piece.image.fill(Qt::transparent);
    piece.image.setDevicePixelRatio(scale);
    QPainter painter(&piece.image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QPointF(piece.origin / scale, squareBaseline(metrics, areaHeight)), text);
    return piece;
}

// A copy, which shares the cached image: a later insertion may move or clear the cache's own.
InkedPiece inkedPiece(const QString& text, int pixelSize, int areaHeight, double scale,
                      const QColor& ink)
{
    static QHash<PieceKey, InkedPiece> pieces;
    const auto keyOf = [&](const QString& pieceText) {
        return PieceKey{pieceText, pixelSize, areaHeight, static_cast<qint64>(scale * 100),
                        ink.rgba()};
    };
    const PieceKey key = keyOf(text);
    if (auto found = pieces.constFind(key); found != pieces.constEnd())
        return *found;
    // The first digit at a size brings the other nine: a warming Mac shows them one by one,
    // each in a wake-up with cold caches, and drawn together they share the font's warm-up.
    QStringList texts{text};
    const auto isAsciiDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (text.size() == 1 && isAsciiDigit(text.at(0))) {
        for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
            const QString other(QChar{digit});
            if (other != text && !pieces.contains(keyOf(other)))
                texts.append(other);
        }
    }
    // The label's pieces are few; a stream of odd texts must not grow the cache without bound.
    constexpr qsizetype kMostPieces = 64;
    if (pieces.size() + texts.size() > kMostPieces)
        pieces.clear();
    for (const QString& pieceText : texts)
        pieces.insert(keyOf(pieceText), drawnPiece(pieceText, pixelSize, areaHeight, scale, ink));
    return pieces.value(key);
}

// Source-over of premultiplied `piece` onto `target` with its left edge at column `x`.
void blendOver(QImage& target, const QImage& piece, int x)
{
    const int from = std::max(0, -x);
    const int to = std::min(piece.width(), target.width() - x);
    const int rows = std::min(piece.height(), target.height());
    for (int y = 0; y < rows; ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(piece.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int column = from; column < to; ++column) {
            const QRgb over = source[column];
            if (over == 0)
                continue;
            const uint keep = 255 - qAlpha(over);
            const QRgb under = line[x + column];
            line[x + column] = qRgba(
                qRed(over) + qRed(under) * keep / 255, qGreen(over) + qGreen(under) * keep / 255,
                qBlue(over) + qBlue(under) * keep / 255, qAlpha(over) + qAlpha(under) * keep / 255);
        }
    }
}

// A reading laid out from its pieces at one size: each piece with where its pen starts, from
// the text's, and the ink of the whole.
struct SquareLayout {
    struct Placed {
        InkedPiece piece;
        double pen = 0;
    };
    QList<Placed> pieces;
    QRectF ink;
};

SquareLayout squareLayout(const QString& temperature, int pixelSize, int areaHeight, double scale,
                          const QColor& ink)
{
    SquareLayout layout;
    double pen = 0;
    for (const QString& text : piecesOf(temperature)) {
        InkedPiece piece = inkedPiece(text, pixelSize, areaHeight, scale, ink);
        layout.ink |= piece.ink.translated(pen, 0);
        const double advance = piece.advance;
        layout.pieces.append({std::move(piece), pen});
        pen += advance;
    }
    return layout;
}

// Every two-digit reading gets the size that fits the widest of them, so the label keeps still
// as the Mac warms; a wider text (past 99°, or a longer translation) steps down to its own fit.
// Fitting takes several sizes of the font: it is done once per area, not per reading.
int twoDigitPixelSize(const QSize& area)
{
    struct Fitted {
        QSize area;
        int pixelSize = 0;
    };
    static Fitted twoDigits;
    if (twoDigits.area != area)
        twoDigits = {area, fittingPixelSize(qtTrId("menuBar.item.temperature").arg(88), area)};
    return twoDigits.pixelSize;
}

} // namespace

MenuBarLabel::Form MenuBarLabel::formFor(const QSize& area)
{
    if (area.isEmpty() || area.width() < 2 * area.height())
        return Form::TemperatureOnly;
    return Form::TwoLines;
}

MenuBarLabel::Reading MenuBarLabel::reading(const TelemetryStore& telemetry,
                                            FanPreset::Source source)
{
    const std::optional<TelemetrySample>& sample = telemetry.latest();
    if (!sample)
        return {};
    const double celsius = telemetry.temperature(source).value_or(sample->temperatures.hottest);
    double fastest = 0;
    for (const SMCFanReading& fan : sample->fans)
        fastest = std::max(fastest, fan.actualRPM);
    // std::round rounds halves away from zero.
    return {static_cast<long long>(std::round(celsius)),
            static_cast<long long>(std::trunc(fastest))};
}

QString MenuBarLabel::temperatureText(const TelemetryStore& telemetry, FanPreset::Source source)
{
    return temperatureText(reading(telemetry, source));
}

QString MenuBarLabel::temperatureText(const Reading& reading)
{
    return Texts().temperature(reading);
}

QString MenuBarLabel::fanSpeedText(const TelemetryStore& telemetry)
{
    return fanSpeedText(reading(telemetry));
}

QString MenuBarLabel::fanSpeedText(const Reading& reading)
{
    return Texts().fanSpeed(reading);
}

MenuBarLabel::Texts::Texts()
    : Texts(qtTrId("menuBar.item.temperature"), qtTrId("menuBar.item.fanSpeed"))
{}

MenuBarLabel::Texts::Texts(const QString& temperatureFormat, const QString& fanSpeedFormat)
    : m_temperature(temperatureFormat)
    , m_fanSpeed(fanSpeedFormat)
{}

QString MenuBarLabel::Texts::temperature(const Reading& reading) const
{
    return m_temperature.filledWith(reading.celsius ? QString::number(*reading.celsius)
                                                    : QStringLiteral("--"));
}

QString MenuBarLabel::Texts::fanSpeed(const Reading& reading) const
{
    return m_fanSpeed.filledWith(reading.rpm ? QString::number(*reading.rpm)
                                             : QStringLiteral("--"));
}

MenuBarLabel::Texts::Format::Format(const QString& format)
    : text(format)
{
    // Only "%1" and no other "%" before a digit: then the value simply takes its place.
    qsizetype found = -1;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != u'%' || !text.at(i + 1).isDigit())
            continue;
        const bool isOne =
            text.at(i + 1) == u'1' && (i + 2 == text.size() || !text.at(i + 2).isDigit());
        if (!isOne || found >= 0)
            return;
        found = i;
    }
    placeholder = found;
}

QString MenuBarLabel::Texts::Format::filledWith(const QString& value) const
{
    if (placeholder < 0)
        return text.arg(value);
    return text.first(placeholder) + value + text.sliced(placeholder + 2);
}

double MenuBarLabel::largestScreenScale()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return 2.0;
    double scale = 0;
    for (const QScreen* screen : screens)
        scale = std::max(scale, screen->devicePixelRatio());
    return scale;
}

QString MenuBarLabel::cacheKey(const QString& temperature, const QString& fanSpeed, double scale)
{
    return QString::number(static_cast<long long>(scale * 100)) + QLatin1Char('|') + temperature +
           QLatin1Char('\n') + fanSpeed;
}

QImage MenuBarLabel::templateImage(const QString& temperature, const QString& fanSpeed)
{
    return templateImage(temperature, fanSpeed, largestScreenScale());
}

QImage MenuBarLabel::templateImage(const QString& temperature, const QString& fanSpeed,
                                   double scale)
{
    return image(temperature, fanSpeed, scale, Qt::black);
}

QImage MenuBarLabel::image(const QString& temperature, const QString& fanSpeed, double scale,
                           const QColor& ink)
{
    CacheEntry& entry = cache();
    const QString key = cacheKey(temperature, fanSpeed, scale);
    if (entry.form == Form::TwoLines && key == entry.key && ink == entry.ink)
        return entry.image;

    ++drawings();
    const LabelFont& label = labelFont();
    const QList<ShapedText> lines[] = {shapedPieces(temperature), shapedPieces(fanSpeed)};
    const double width = std::ceil(std::max(widthOf(lines[0]), widthOf(lines[1])));
    QImage image;
    if (width > 0 && scale > 0) {
        image = QImage(QSize(static_cast<int>(std::ceil(width * scale)),
                             static_cast<int>(std::ceil(2 * label.lineHeight * scale))),
                       QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setPen(ink);
        // Each line centred in its half of the image.
        const double top = (label.lineHeight - label.textHeight) / 2;
        for (int row = 0; row < 2; ++row) {
            double x = (width - widthOf(lines[row])) / 2;
            for (const ShapedText& piece : lines[row]) {
                for (const QGlyphRun& glyphs : piece.glyphs)
                    painter.drawGlyphRun(QPointF(x, row * label.lineHeight + top), glyphs);
                x += piece.width;
            }
        }
    }
    entry = {Form::TwoLines, key, {}, 0, ink, image};
    return image;
}

QImage MenuBarLabel::temperatureImage(const QString& temperature, const QSize& area, double scale,
                                      const QColor& ink)
{
    CacheEntry& entry = cache();
    const auto scaleHundredths = static_cast<qint64>(scale * 100);
    if (entry.form == Form::TemperatureOnly && temperature == entry.key && area == entry.area &&
        scaleHundredths == entry.scaleHundredths && ink == entry.ink)
        return entry.image;

    ++drawings();
    QImage image;
    if (!area.isEmpty() && scale > 0 && !temperature.isEmpty()) {
        SquareLayout layout =
            squareLayout(temperature, twoDigitPixelSize(area), area.height(), scale, ink);
        if (layout.ink.width() > area.width() - 2 * kSpareEachSide) {
            const int fitting =
                std::min(twoDigitPixelSize(area), fittingPixelSize(temperature, area));
            layout = squareLayout(temperature, fitting, area.height(), scale, ink);
        }
        image = QImage(QSize(static_cast<int>(std::ceil(area.width() * scale)),
                             static_cast<int>(std::ceil(area.height() * scale))),
                       QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        // The ink is centred, not the advance, which holds the bearings.
        const double start = (area.width() - layout.ink.width()) / 2 - layout.ink.left();
        for (const auto& [piece, pen] : layout.pieces) {
            blendOver(image, piece.image,
                      static_cast<int>(std::lround((start + pen) * scale)) - piece.origin);
        }
        image.setDevicePixelRatio(scale);
    }
    entry = {Form::TemperatureOnly, temperature, area, scaleHundredths, ink, image};
    return image;
}

int MenuBarLabel::drawCount()
{
    return drawings();
}

} // namespace brisvane
