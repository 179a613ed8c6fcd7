#pragma once
// Synthetic telemetry for previews and screenshots: half an hour of samples under a load that
// rises and falls, so that the dashboard's charts can be shown full without waiting for them.

#include "app/core/TelemetrySample.h"

#include <QDateTime>
#include <QList>

namespace brisvane {

class TelemetryStore;

namespace PreviewTelemetry {

struct Options {
    int fanCount = 2;
    // Samples 2 s apart, the newest at `end`: 900 fill the store's 30 minutes.
    int sampleCount = 900;
    QDateTime end = QDateTime::currentDateTimeUtc();
    // The last fan stands still over the last five minutes.
    bool lastFanParks = false;
};

QList<TelemetrySample> history(const Options& options);
// Ingests history(options) into `store`, oldest first.
void feed(TelemetryStore& store, const Options& options);

} // namespace PreviewTelemetry
} // namespace brisvane
