// brisvane-scene-bench: shows one QML scene for a while and prints, as one JSON line, the CPU it
// cost, the frames it rendered, the window's size and the process's memory. bench_ui.py runs it
// on the design system's gallery, on any QML file whose root is a Window or an Item (the
// design module can be imported and its symbol images are served), on the reference scene (one
// image of the same size, turned by a RotationAnimator), on a bare Qt Quick window, and on the
// dashboard over a preview telemetry store that starts with a full half hour and takes a new
// sample every 2 s (--dashboard), for which it also prints the main thread's CPU per sample:
// the ingest with everything it sets off there (models, bindings), and the main thread's whole
// CPU over the run divided by the samples.
//
//   brisvane-scene-bench (--gallery | --dashboard | FILE.qml | --reference | --bare)
//                        [--size WxH] [--seconds S]
//
// Without --size a Window keeps its own size and an Item gets 820x900, the main window's.

#include "app/ui/design/SymbolImageProvider.h"
#include "app/ui/design/WindowDefaults.h"

#include "app/core/AppState.h"
#include "app/core/PresetStore.h"
#include "app/core/PreviewHelperClient.h"
#include "app/core/PreviewTelemetry.h"
#include "app/core/Translations.h"
#include "app/core/UserDefaults.h"

#include "BenchSupport.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExtensionPlugin>
#include <QQuickImageProvider>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <time.h>

#include <atomic>
#include <cstdio>
#include <memory>

Q_IMPORT_QML_PLUGIN(Brisvane_UI_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_DashboardPlugin)
Q_IMPORT_QML_PLUGIN(Brisvane_UI_GalleryPlugin)

namespace {

// The reference: one image the size of the scene, turning once every 4 s on the render thread.
constexpr char kReferenceScene[] = R"(
import QtQuick
Item {
    Image {
        anchors.fill: parent
        source: "image://reference/disc"
        RotationAnimator on rotation { from: 0; to: 360; duration: 4000; loops: Animation.Infinite }
    }
})";

constexpr char kBareScene[] = "import QtQuick\nItem {}\n";

// The dashboard as the main window shows it, on the window's colour.
constexpr char kDashboardScene[] = R"(
import QtQuick
import Brisvane.UI.Design
import Brisvane.UI.Dashboard
Rectangle {
    id: root
    required property AppState appState
    color: Theme.windowColor
    DashboardRootView {
        width: root.width
        appState: root.appState
    }
})";

constexpr double kSampleIntervalSeconds = 2;

// CPU time of the calling thread.
double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

constexpr char kGalleryURL[] = "qrc:/Brisvane/UI/Gallery/Gallery.qml";
constexpr QSize kItemSize(820, 900);

// A picture with detail in it, so that the turning image is not a flat colour.
class ReferenceImageProvider : public QQuickImageProvider {
public:
    ReferenceImageProvider()
        : QQuickImageProvider(QQuickImageProvider::Image)
    {}
    QImage requestImage(const QString&, QSize* size, const QSize& requested) override
    {
        const QSize extent = requested.isValid() ? requested : QSize(512, 512);
        QImage image(extent, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QConicalGradient gradient(image.rect().center(), 0);
        gradient.setColorAt(0, QColor(0x0a, 0x84, 0xff));
        gradient.setColorAt(0.5, QColor(0x30, 0xd1, 0x58));
        gradient.setColorAt(1, QColor(0x0a, 0x84, 0xff));
        painter.setBrush(gradient);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(image.rect());
        *size = extent;
        return image;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QLocale system = QLocale::system();
    brisvane::Translations::install(
        app, brisvane::Translations::chooseLocale(system.uiLanguages(), system));
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("scene"), QStringLiteral("the QML file to show"));
    const QCommandLineOption reference(QStringLiteral("reference"),
                                       QStringLiteral("show the reference scene"));
    const QCommandLineOption bare(QStringLiteral("bare"), QStringLiteral("show an empty window"));
    const QCommandLineOption gallery(QStringLiteral("gallery"),
                                     QStringLiteral("show the design system's gallery"));
    const QCommandLineOption dashboard(QStringLiteral("dashboard"),
                                       QStringLiteral("show the dashboard with live samples"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("window size"),
                                  QStringLiteral("WxH"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("how long"),
                                     QStringLiteral("S"), QStringLiteral("20"));
    parser.addOptions({reference, bare, gallery, dashboard, size, seconds});
    parser.addHelpOption();
    parser.process(app);

    const QStringList extent = parser.value(size).split(QLatin1Char('x'));
    const QSize requestedSize(extent.value(0).toInt(), extent.value(1).toInt());
    const double duration = parser.value(seconds).toDouble();
    QString name;
    QByteArray inlineScene;
    QUrl url;
    QVariantMap properties;
    if (parser.isSet(gallery)) {
        name = QStringLiteral("gallery");
        url = QUrl(QLatin1StringView(kGalleryURL));
        // Its appearance follows the platform's, as the app's does when nothing is forced.
        properties.insert(QStringLiteral("forcedColorScheme"), QString());
    } else if (parser.isSet(dashboard)) {
        name = QStringLiteral("dashboard");
        if (parser.positionalArguments().size() == 1)
            url = QUrl::fromUserInput(parser.positionalArguments().first(), QStringLiteral("."),
                                      QUrl::AssumeLocalFile);
        else
            inlineScene = kDashboardScene;
    } else if (parser.isSet(reference)) {
        name = QStringLiteral("reference");
        inlineScene = kReferenceScene;
    } else if (parser.isSet(bare)) {
        name = QStringLiteral("bare");
        inlineScene = kBareScene;
    } else if (parser.positionalArguments().size() == 1) {
        name = parser.positionalArguments().first();
        url = QUrl::fromUserInput(name, QStringLiteral("."), QUrl::AssumeLocalFile);
    } else {
        parser.showHelp(2);
    }
    if ((parser.isSet(size) && requestedSize.isEmpty()) || !(duration > 0)) {
        std::fprintf(stderr, "brisvane-scene-bench: bad --size or --seconds\n");
        return 2;
    }

    // The dashboard's state: a store fed by hand, no sampler, no daemon, private settings.
    QTemporaryDir settings;
    std::unique_ptr<brisvane::UserDefaults> defaults;
    std::unique_ptr<brisvane::AppState> state;
    QList<brisvane::TelemetrySample> liveSamples;
    if (parser.isSet(dashboard)) {
        using namespace brisvane;
        defaults = std::make_unique<UserDefaults>(
            QStringList{QStringLiteral("brisvane-scene-bench")},
            std::make_unique<QSettings>(settings.filePath(QStringLiteral("s.ini")),
                                        QSettings::IniFormat));
        WindowDefaults::registerDefaults(*defaults);
        auto telemetry = std::make_unique<TelemetryStore>(*defaults);
        auto helper = std::make_unique<PreviewHelperClient>(HelperState::installed);
        auto presets = std::make_unique<PresetStore>(
            2, settings.filePath(QStringLiteral("presets")), *defaults);
        auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
        state = std::make_unique<AppState>(std::move(telemetry), std::move(helper),
                                           std::move(presets), std::move(engine));
        PreviewTelemetry::Options options;
        options.sampleCount =
            TelemetryStore::kHistoryLimit + static_cast<int>(duration / kSampleIntervalSeconds) + 4;
        liveSamples = PreviewTelemetry::history(options);
        for (qsizetype i = 0; i < TelemetryStore::kHistoryLimit; ++i)
            state->telemetry().ingest(liveSamples[i]);
        liveSamples.remove(0, TelemetryStore::kHistoryLimit);
        properties.insert(QStringLiteral("appState"), QVariant::fromValue(state.get()));
    }

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    brisvane::SymbolImageProvider::install(engine);
    engine.addImageProvider(QStringLiteral("reference"), new ReferenceImageProvider);
    QQmlComponent component(&engine);
    if (url.isEmpty())
        component.setData(inlineScene,
                          QUrl::fromLocalFile(QDir::current().filePath(name + ".qml")));
    else
        component.loadUrl(url);
    while (component.isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::unique_ptr<QObject> root(
        component.isReady() ? component.createWithInitialProperties(properties) : nullptr);
    if (!root) {
        std::fprintf(stderr, "brisvane-scene-bench: %s\n", qPrintable(component.errorString()));
        return 1;
    }
    QQuickWindow* window = qobject_cast<QQuickWindow*>(root.get());
    std::unique_ptr<QQuickView> view;
    if (!window) {
        auto* item = qobject_cast<QQuickItem*>(root.get());
        if (!item) {
            std::fprintf(stderr,
                         "brisvane-scene-bench: the root is neither a Window nor an Item\n");
            return 1;
        }
        view = std::make_unique<QQuickView>(&engine, nullptr);
        view->setResizeMode(QQuickView::SizeRootObjectToView);
        view->setContent(url, &component, root.release());
        window = view.get();
        window->resize(kItemSize);
    }
    if (parser.isSet(size))
        window->resize(requestedSize);

    // A new sample every 2 s, timed on the main thread from the ingest to the last binding.
    long samples = 0;
    double ingestSeconds = 0;
    double ingestMaxSeconds = 0;
    QTimer feeder;
    feeder.setInterval(static_cast<int>(kSampleIntervalSeconds * 1000));
    QObject::connect(&feeder, &QTimer::timeout, &app, [&] {
        if (liveSamples.isEmpty())
            return;
        const double start = threadCpuSeconds();
        state->telemetry().ingest(liveSamples.takeFirst());
        const double spent = threadCpuSeconds() - start;
        ingestSeconds += spent;
        ingestMaxSeconds = std::max(ingestMaxSeconds, spent);
        ++samples;
    });
    double mainThreadAtStart = 0;

    std::atomic<long> frames{0};
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window, [&frames] { ++frames; }, Qt::DirectConnection);
    // Measured from the first frame on: start-up is not the scene's running cost.
    double cpuAtStart = 0;
    long framesAtStart = 0;
    QElapsedTimer wall;
    QObject::connect(
        window, &QQuickWindow::frameSwapped, &app,
        [&] {
            if (wall.isValid())
                return;
            wall.start();
            cpuAtStart = brisvane::bench::processCpuSeconds();
            mainThreadAtStart = threadCpuSeconds();
            framesAtStart = frames;
            if (state)
                feeder.start();
            QTimer::singleShot(static_cast<int>(duration * 1000), &app, [&] {
                const double elapsed = wall.elapsed() / 1000.0;
                const QSize windowSize = window->size();
                const auto [rss, pss] = brisvane::bench::memoryKiB();
                const double mainThread = threadCpuSeconds() - mainThreadAtStart;
                std::printf("{\"scene\": \"%s\", \"width\": %d, \"height\": %d, "
                            "\"seconds\": %.2f, \"cpu_seconds\": %.3f, \"frames\": %ld, "
                            "\"rss_kib\": %ld, \"pss_kib\": %ld, \"samples\": %ld, "
                            "\"ingest_ms_mean\": %.3f, \"ingest_ms_max\": %.3f, "
                            "\"main_thread_ms_per_sample\": %.3f}\n",
                            qPrintable(name), windowSize.width(), windowSize.height(), elapsed,
                            brisvane::bench::processCpuSeconds() - cpuAtStart,
                            frames - framesAtStart, rss, pss, samples,
                            samples ? 1000 * ingestSeconds / samples : 0.0, 1000 * ingestMaxSeconds,
                            samples ? 1000 * mainThread / samples : 0.0);
                std::fflush(stdout);
                app.quit();
            });
        },
        Qt::QueuedConnection);
    window->show();
    return app.exec();
}
