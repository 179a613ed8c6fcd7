#pragma once
// `Brisvane --headless`: the app without windows. One status line per sample on standard
// output — temperatures, fan speeds and targets, what the engine asks for and what is in force,
// and the helper's phase — while the engine drives the fans as in the windowed app.

#include "app/core/TelemetrySample.h"

#include <QObject>
#include <QString>

#include <cstdio>

namespace brisvane {

class AppState;

class HeadlessSession : public QObject {
    Q_OBJECT

public:
    // Prints a line for every sample `state` ingests from now on. `out` stays open.
    HeadlessSession(AppState& state, std::FILE* out, QObject* parent = nullptr);

    // 14:02:04  cpu 64.0°C gpu 41.2°C drive 64.0°C | fans 3551/3552 3549/3552 rpm |
    // Cool 49% 49% | in force 3552 3552 rpm | helper controlling   (one line)
    static QString statusLine(const TelemetrySample& sample, const AppState& state);

private:
    AppState& m_state;
    std::FILE* m_out;
};

} // namespace brisvane
