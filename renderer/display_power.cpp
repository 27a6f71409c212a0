#include "renderer/display_power.h"

#include <cstdint>
#include <cstring>

// The first three fields little-endian, the last eight bytes in order.
const unsigned char kConsoleDisplayStateId[16] = {0x56, 0x95, 0xe6, 0x6f, 0x4a, 0x70, 0xa0, 0x47,
                                                  0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47};
const unsigned char kMonitorPowerOnId[16] = {0x15, 0x10, 0x73, 0x02, 0x10, 0x45, 0x26, 0x45,
                                             0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea};

namespace {

constexpr std::size_t kHeaderBytes = 20;

std::uint32_t ReadLittleEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

void CDisplayPower::OnSetting(const unsigned char* pRecord, std::size_t nBytes) {
    if (!pRecord || nBytes != kHeaderBytes + 4 || ReadLittleEndian32(pRecord + 16) != 4) return;
    const std::uint32_t nValue = ReadLittleEndian32(pRecord + kHeaderBytes);
    if (std::memcmp(pRecord, kConsoleDisplayStateId, 16) == 0) {
        bConsoleStateSeen = true;
        eState = nValue == 0 ? DisplayPower::Off : nValue == 2 ? DisplayPower::Dimmed : DisplayPower::On;
    } else if (std::memcmp(pRecord, kMonitorPowerOnId, 16) == 0) {
        if (!bConsoleStateSeen) eState = nValue == 0 ? DisplayPower::Off : DisplayPower::On;
    }
}
