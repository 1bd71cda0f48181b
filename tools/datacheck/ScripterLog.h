// The log the object-model scripter writes to, read back by the check: the scripter reports
// its errors only there. It lives in the system's temporary folder, never in the game root,
// and is removed with this object.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CLogFile;

class CScripterLog {
public:
    CScripterLog();
    CScripterLog(const CScripterLog&) = delete;
    CScripterLog& operator=(const CScripterLog&) = delete;
    ~CScripterLog();

    // Null when no temporary file could be made.
    CLogFile* Log() const { return m_pLog.get(); }
    // The error messages written since the last call, each from its function's name to the
    // end of its line or the next message.
    std::vector<std::string> TakeErrors();

private:
    std::string m_path;
    std::unique_ptr<CLogFile> m_pLog;
    size_t m_nRead = 0;
};
