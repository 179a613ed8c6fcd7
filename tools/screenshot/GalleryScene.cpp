// The gallery: every element of the design system in every state, on one page.

#include "tools/screenshot/SceneDriver.h"
#include "tools/screenshot/Scenes.h"

#include "app/ui/design/SymbolImageProvider.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>

namespace brisvane::screenshot {

int gallery(const QString& scheme, const QString& file)
{
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    SymbolImageProvider::install(engine);
    engine.setInitialProperties({{QStringLiteral("forcedColorScheme"), scheme}});
    engine.load(QUrl(QStringLiteral("qrc:/Brisvane/UI/Gallery/Gallery.qml")));
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    return window ? save(*window, file) : 1;
}

} // namespace brisvane::screenshot
