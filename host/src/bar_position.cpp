#include "host/bar_position.h"

namespace host {

namespace {

uint32_t readLe(const uint8_t* bytes, int count)
{
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

} // namespace

BarPosition barPosition(const uint8_t* record)
{
    BarPosition p;
    p.beatsPerBar = record[2];
    p.beat = record[3];
    p.barLength = readLe(record + 4, 4);
    p.tickInBar = readLe(record + 8, 4);
    p.bar = readLe(record + 12, 2);
    return p;
}

BarPosition currentBar(dp_player* player)
{
    uint8_t record[DP_BAR_COUNTER_SIZE];
    if (player->bar_counter(player, record, sizeof record) != 0) return {};
    return barPosition(record);
}

} // namespace host
