#include "tests/support/LabFiles.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "game/app/WorldContentRecord.h"

void SetLabPlace(CWorldContent* lab, const std::string& folder) {
    lab->SetDirectory((folder + "/").c_str());
    lab->SetSuffix(".zql");
}

CLabHeader LabHeader(const std::string& creator, const std::string& version) {
    CLabHeader header{};
    memcpy(header.szCreator, creator.data(), std::min(creator.size(), sizeof header.szCreator));
    memcpy(header.szProgramVersion, "V1.00", 5);
    memcpy(header.szFormatVersion, version.data(), std::min(version.size(), sizeof header.szFormatVersion));
    return header;
}

bool AddLabRecords(CWorldContent* lab, const std::vector<LabFileRecord>& records) {
    for (const LabFileRecord& record : records) {
        CWorldContentRecord* added = lab->AddRecord(record.name.c_str());
        if (!added)
            return false;
        // An empty body is no append at all: the container refuses one of no bytes.
        const auto size = static_cast<uint32_t>(record.body.size());
        if (size > 0 && added->Append(record.body.data(), size) != size)
            return false;
    }
    return true;
}

bool WriteLabFile(const std::string& folder, const std::string& name, const CLabHeader& header,
                  const std::vector<LabFileRecord>& records, const char* key, bool wide) {
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (failure)
        return false;
    CWorldContent lab;
    SetLabPlace(&lab, folder);
    lab.m_bWide = wide ? 1 : 0;
    return AddLabRecords(&lab, records) && lab.Save(name.c_str(), &header, sizeof header, key) > 0;
}
