#pragma once

#include <QSet>
#include <QString>

// The hidden quote-table columns stored as text ("3,7,14"): parts that are not base-10 integers, and
// indices outside 1..15, are dropped, so the symbol column can never come back hidden from a file.
QSet<int> parseHiddenColumnsText(const QString &text);
