#include "tests/support/ExperimentBodyBuilder.h"

#include <cstdlib>
#include <cstring>

#include "game/app/LZWCodec.h"

namespace {

void AppendU32(std::vector<uint8_t>* bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes->push_back(static_cast<uint8_t>(value >> shift));
}

void AppendBytes(std::vector<uint8_t>* bytes, const std::vector<uint8_t>& more) {
    bytes->insert(bytes->end(), more.begin(), more.end());
}

uint32_t FloatBits(float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

std::vector<uint8_t> CompressObjectModelScript(const std::string& text) {
    const int length = static_cast<int>(text.size()) + 1;  // with the zero byte
    uint8_t* compressed = nullptr;
    const int size = CLZWCodec().Compress(&compressed, reinterpret_cast<const uint8_t*>(text.c_str()), length);
    std::vector<uint8_t> bytes(compressed, compressed + (size > 0 ? size : 0));
    free(compressed);
    return bytes;
}

ExperimentBodyBytes BuildExperimentBody(const ExperimentBodyParts& parts) {
    ExperimentBodyBytes body;
    std::vector<uint8_t>& bytes = body.bytes;
    auto begin = [&body](ExperimentBodyField field) {
        body.fieldOffsets[static_cast<int>(field)] = body.bytes.size();
    };

    const std::vector<uint8_t> script = CompressObjectModelScript(parts.script);
    begin(ExperimentBodyField::kScriptSize);
    AppendU32(&bytes, static_cast<uint32_t>(script.size()));
    begin(ExperimentBodyField::kScript);
    AppendBytes(&bytes, script);

    begin(ExperimentBodyField::kLinkSize);
    AppendU32(&bytes, static_cast<uint32_t>(parts.links.size() * CExperimentBody::kLinkEntryBytes));
    begin(ExperimentBodyField::kLinks);
    for (const CExperimentLink& link : parts.links) {
        AppendU32(&bytes, link.m_nObjectID);
        AppendU32(&bytes, link.m_nPoint);
        AppendU32(&bytes, link.m_nPartnerObjectID);
        AppendU32(&bytes, link.m_nPartnerPoint);
        AppendU32(&bytes, FloatBits(link.m_fValue));
    }

    begin(ExperimentBodyField::kDescLength);
    AppendU32(&bytes, static_cast<uint32_t>(parts.description.size() + 1));
    begin(ExperimentBodyField::kDescription);
    std::u16string withZero = parts.description;
    withZero.push_back(u'\0');
    for (const char16_t unit : withZero) {
        bytes.push_back(static_cast<uint8_t>(unit));
        if (parts.wide)
            bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }

    begin(ExperimentBodyField::kTime);
    AppendU32(&bytes, parts.time);
    begin(ExperimentBodyField::kGravity);
    AppendU32(&bytes, parts.gravity);
    return body;
}
