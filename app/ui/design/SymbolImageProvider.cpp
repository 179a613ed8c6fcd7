#include "app/ui/design/SymbolImageProvider.h"

#include "app/ui/design/SymbolTable.h"

#include <QLoggingCategory>
#include <QPainter>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QUrl>
#include <QUrlQuery>

namespace brisvane {

Q_LOGGING_CATEGORY(symbolLog, "org.brisvane.Brisvane.symbols")

SymbolImageProvider::SymbolImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{}

void SymbolImageProvider::install(QQmlEngine& engine)
{
    if (!engine.imageProvider(QStringLiteral("symbol")))
        engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    const qsizetype query = id.indexOf(QLatin1Char('?'));
    const QString name = QUrl::fromPercentEncoding(id.left(query).toUtf8());
    QColor colour = Qt::black;
    if (query >= 0) {
        QString value = QUrlQuery(id.mid(query + 1))
                            .queryItemValue(QStringLiteral("color"), QUrl::FullyDecoded);
        // QML leaves out the '#', which would start the URL's fragment.
        static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F]{6}([0-9a-fA-F]{2})?$"));
        if (hex.match(value).hasMatch())
            value.prepend(QLatin1Char('#'));
        if (QColor::isValidColorName(value))
            colour = QColor::fromString(value);
    }

    std::optional<QString> icon = SymbolTable::shared().iconName(name);
    if (!icon) {
        QMutexLocker lock(&m_mutex);
        if (!m_reportedNames.contains(name)) {
            m_reportedNames.insert(name);
            qCWarning(symbolLog, "no icon for the symbol \"%s\": showing the fallback",
                      qUtf8Printable(name));
        }
        icon = QString::fromLatin1(SymbolTable::kFallbackIcon);
    }

    const QSize side(requestedSize.width() > 0 ? requestedSize.width() : kDefaultSize,
                     requestedSize.height() > 0 ? requestedSize.height() : kDefaultSize);
    QImage image(side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(SymbolTable::iconPath(*icon));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), side));
    // The icon's coverage, in the tint.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    painter.end();
    if (size)
        *size = side;
    return image;
}

} // namespace brisvane
