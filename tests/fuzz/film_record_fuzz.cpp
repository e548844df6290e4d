// A film's record as the settings file hands it back, however it was edited:
// it reads without a fault, what it writes reads back the same, a number it
// gives lies within the bounds asked for, and a field set reads back as set
// while the others stay.
#include <cmath>
#include <cstdint>
#include <string>

#include "doc/film_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using plexo::FilmRecord;
    const std::string text(reinterpret_cast<const char*>(data), size);
    FilmRecord record(text);
    const std::string written = record.text();
    if (FilmRecord(written).text() != written)
        __builtin_trap();
    for (const char* name : {"dist", "vertical", "swap", "shift", "rate"}) {
        if (const auto number = record.Number(name, 100); number && (*number < -100 || *number > 100))
            __builtin_trap();
        if (const auto rate = record.Decimal(name, 0.01, 1000); rate && !(*rate >= 0.01 && *rate <= 1000))
            __builtin_trap();
    }
    const auto shiftBefore = record.Number("shift", INT32_MAX);
    record.SetNumber("dist", -7);
    record.SetDecimal("rate", 29.97);
    const FilmRecord again(record.text());
    const auto rate = again.Decimal("rate", 0.01, 1000);
    if (again.Number("dist", 100) != -7 || !rate || std::fabs(*rate - 29.97) > 1e-9 ||
        again.Number("shift", INT32_MAX) != shiftBefore)
        __builtin_trap();
    return 0;
}
