#pragma once

#include <QtGlobal>

// The arithmetic of the limits that keep the keyed providers inside their free quotas. Every time is in
// milliseconds since the epoch, as a signed 64-bit value, so no Retry-After a server may send can
// overflow a cooldown. The state (last call, cooldown end) belongs to the caller; these functions only
// decide.

// Spacing between two Alpha Vantage quote calls (its free tier allows five a minute).
inline constexpr qint64 kAlphaVantageThrottleMs = 12000;
// Spacing between two requests of one per-key gated provider (Twelve Data, Financial Modeling Prep).
inline constexpr qint64 kProviderSpacingMs = 15000;
// The cooldown after a rate limit that came without a usable Retry-After, and Alpha Vantage's minimum.
inline constexpr int kDefaultCooldownSeconds = 60;
// How old a cached Alpha Vantage reply may be and still be shown.
inline constexpr int kAlphaVantageCacheFreshSeconds = 900;

enum class AlphaVantageGate
{
    Cooldown,  // a rate limit is still running: no call, no cache
    Throttled, // inside the spacing window: only a fresh cached reply may serve
    Open,      // the call may go out (stamp the time before sending)
};

AlphaVantageGate alphaVantageGate(qint64 nowMs, qint64 lastCallMs, qint64 cooldownUntilMs);

// The end of Alpha Vantage's cooldown after a rate-limited reply: at least 60 s, longer when the
// server asked for longer.
qint64 alphaVantageCooldownUntil(qint64 nowMs, int retryAfterSeconds);

// Whether the per-key gate lets a request through: not during the key's cooldown, and not within the
// spacing of its last request (a last time of 0 means none yet).
bool providerGateAllows(qint64 nowMs, qint64 lastRequestMs, qint64 cooldownUntilMs);

// The end of a per-key cooldown: `seconds` when above 0, else 60.
qint64 providerCooldownUntil(qint64 nowMs, int seconds);
