// Arbitrary settings text through the drawings reader, the one way stored lines reach the chart.
// Every drawing read must be finite, of a known type and coloured, and writing it back and reading
// that again must give the same drawings.
#include "chart/drawing.h"

#include <QByteArray>
#include <QJsonDocument>

#include <cmath>
#include <cstdint>
#include <cstdlib>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzzcheck::inputBytes(data, size);
    const QJsonArray array = QJsonDocument::fromJson(text).array();
    const DrawingList drawings = drawingsFromJson(array);
    require(drawings.size() == array.size());
    for (const Drawing &drawing : drawings) {
        require(drawing.type >= DrawingType::Horizontal && drawing.type <= DrawingType::Trend);
        require(std::isfinite(drawing.price1) && std::isfinite(drawing.price2));
        require(std::llabs(drawing.index1) <= 1000000000000000LL &&
                std::llabs(drawing.index2) <= 1000000000000000LL);
        require(drawing.color.isValid());
    }
    const QJsonArray written = drawingsToJson(drawings);
    require(drawingsToJson(drawingsFromJson(written)) == written);
    return 0;
}
