#include "providers/provider_limits.h"

#include <algorithm>

AlphaVantageGate alphaVantageGate(qint64 nowMs, qint64 lastCallMs, qint64 cooldownUntilMs)
{
    if (nowMs < cooldownUntilMs)
        return AlphaVantageGate::Cooldown;
    if (lastCallMs > 0 && nowMs - lastCallMs < kAlphaVantageThrottleMs)
        return AlphaVantageGate::Throttled;
    return AlphaVantageGate::Open;
}

qint64 alphaVantageCooldownUntil(qint64 nowMs, int retryAfterSeconds)
{
    return nowMs + qint64(std::max(kDefaultCooldownSeconds, retryAfterSeconds)) * 1000;
}

bool providerGateAllows(qint64 nowMs, qint64 lastRequestMs, qint64 cooldownUntilMs)
{
    if (cooldownUntilMs > nowMs)
        return false;
    return !(lastRequestMs > 0 && nowMs - lastRequestMs < kProviderSpacingMs);
}

qint64 providerCooldownUntil(qint64 nowMs, int seconds)
{
    return nowMs + qint64(seconds > 0 ? seconds : kDefaultCooldownSeconds) * 1000;
}
