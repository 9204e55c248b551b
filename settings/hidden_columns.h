#pragma once

#include <QSet>
#include <QString>

// The hidden quote-table columns stored as text ("3,7,14"): parts that are not base-10 integers, and
// indices outside 1..15, are dropped, so the symbol column can never come back hidden from a file.
QSet<int> parseHiddenColumnsText(const QString &text);

// The columns a preset of the Columns menu hides: "all" none, "trading" 8 to 11, "analytics" 2 to 5, 13
// and 14; "compact" and any other key all but 0, 6, 7, 12 and 14. Never column 0.
QSet<int> hiddenColumnsForPreset(const QString &presetKey);
