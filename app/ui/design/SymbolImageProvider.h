#pragma once
// image://symbol/<name>[?color=<colour>]: the symbol's icon at the requested size (which
// already includes the device pixel ratio), tinted in the colour ("rrggbb" or "aarrggbb", with
// or without '#', or a colour name; black when absent). A name the table does not know shows
// the fallback icon and is logged once.

#include <QMutex>
#include <QQuickImageProvider>
#include <QSet>

class QQmlEngine;

namespace brisvane {

class SymbolImageProvider : public QQuickImageProvider {
public:
    static constexpr int kDefaultSize = 16;

    SymbolImageProvider();

    // Every engine that shows the design system's elements needs the provider.
    static void install(QQmlEngine& engine);

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    QMutex m_mutex;
    QSet<QString> m_reportedNames;
};

} // namespace brisvane
