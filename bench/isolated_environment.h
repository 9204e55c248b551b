#pragma once

#include <QString>

// What every window benchmark sets up before its QApplication: a private home (config, cache and data
// under `homePath`), no MVX_* override from the caller's shell, every provider host pointed at a closed
// loopback port (a window asks for its first row's quote while it starts, and a benchmark must never
// reach a real host; the account service too unless `keepService`), the offscreen platform unless
// another was asked for, and a message handler that drops the offscreen platform's warnings on every
// re-polish and raised box: the figures matter here, not those.
void isolateBenchProcess(const QString &homePath, bool keepService);

// The message handler isolateBenchProcess installs, for benchmarks that start their window in a child
// process and only want the warnings quiet.
void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message);
