// Experiment record bodies from anywhere, walked narrow and wide: a refused body leaves an
// empty view; an accepted one has every field inside the data, whole link entries, and laid
// out again from its fields gives the input back byte for byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/app/ExperimentBody.h"

namespace {

// Expanding is the codec's own target; small scripts only, as a caller would expand them.
constexpr uint32_t kExpandLimit = 1024;

void Check(bool holds) {
    if (!holds)
        abort();
}

void AppendU32(std::vector<uint8_t>* bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes->push_back(static_cast<uint8_t>(value >> shift));
}

void AppendBytes(std::vector<uint8_t>* bytes, const uint8_t* start, size_t count) {
    bytes->insert(bytes->end(), start, start + count);
}

bool Inside(const uint8_t* start, size_t count, const uint8_t* data, size_t size) {
    if (start < data || static_cast<size_t>(start - data) > size)
        return false;
    return count <= size - static_cast<size_t>(start - data);
}

void CheckEmpty(const CExperimentBody& body) {
    Check(!body.GetScript() && !body.GetScriptSize() && !body.GetLinkEntries() && !body.GetLinkSize() &&
          !body.GetDescription() && !body.GetDescLength() && !body.IsWide() && !body.GetTime() &&
          !body.GetGravity() && !body.GetDescriptionOffset() && !body.GetRest() && !body.GetRestSize());
}

void Walk(const uint8_t* data, size_t size, bool wide) {
    CExperimentBody body;
    if (!body.Read(data, size, wide)) {
        CheckEmpty(body);
        return;
    }
    Check(body.IsWide() == wide);
    Check(Inside(body.GetScript(), body.GetScriptSize(), data, size));
    Check(Inside(body.GetLinkEntries(), body.GetLinkSize(), data, size));
    Check(body.GetLinkSize() % CExperimentBody::kLinkEntryBytes == 0);
    Check(Inside(body.GetDescription(), body.GetDescriptionBytes(), data, size));
    Check(Inside(body.GetRest(), body.GetRestSize(), data, size));
    Check(body.GetDescription() == data + body.GetDescriptionOffset() + CExperimentBody::kFieldBytes);

    std::vector<uint8_t> again;
    AppendU32(&again, body.GetScriptSize());
    AppendBytes(&again, body.GetScript(), body.GetScriptSize());
    AppendU32(&again, body.GetLinkSize());
    for (uint32_t i = 0; i < body.GetLinkCount(); ++i) {
        CExperimentLink link{};
        Check(body.GetLink(i, &link) == 1);
        AppendU32(&again, link.m_nObjectID);
        AppendU32(&again, link.m_nPoint);
        AppendU32(&again, link.m_nPartnerObjectID);
        AppendU32(&again, link.m_nPartnerPoint);
        uint32_t value;
        memcpy(&value, &link.m_fValue, sizeof value);
        AppendU32(&again, value);
    }
    CExperimentLink past{};
    Check(body.GetLink(body.GetLinkCount(), &past) == 0);
    AppendU32(&again, body.GetDescLength());
    for (uint32_t i = 0; i < body.GetDescLength(); ++i) {
        const uint16_t unit = body.GetDescriptionChar(i);
        again.push_back(static_cast<uint8_t>(unit));
        if (wide)
            again.push_back(static_cast<uint8_t>(unit >> 8));
        else
            Check(unit <= 0xFF);
    }
    Check(body.GetDescriptionChar(body.GetDescLength()) == 0);
    AppendU32(&again, body.GetTime());
    AppendU32(&again, body.GetGravity());
    AppendBytes(&again, body.GetRest(), body.GetRestSize());
    Check(again.size() == size && memcmp(again.data(), data, size) == 0);

    if (body.GetScriptSize() <= kExpandLimit) {
        uint8_t* expanded = nullptr;
        const int expandedSize = body.ExpandScript(&expanded);
        Check(expandedSize == 0 ? expanded == nullptr : expandedSize > 0 && expanded != nullptr);
        free(expanded);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    Walk(data, size, false);
    Walk(data, size, true);
    return 0;
}
