// Short status messages, bounded in number, time-stamped by the owner's clock and expiring
// one at a time once shown long enough; the newest is not repeated on request.
#pragma once

#include "engine/core/DynString.h"
#include "engine/core/PointerList.h"

struct CMessage {
    CDynString m_sText;
    double m_fTime = 0.0;
};

class CMessageList {
public:
    // `clock` is the owner's current time in seconds, read whenever a time is needed; without
    // one the time is 0. A maximum count below 1 keeps no message.
    CMessageList(int maxCount, float duration, const double* clock);
    CMessageList(const CMessageList&) = delete;
    CMessageList& operator=(const CMessageList&) = delete;
    virtual ~CMessageList();

    // Appends a copy of `text` as the newest message, dropping the oldest when full; none
    // when `noRepeat` is set and the newest message has the same text. The message is the
    // list's until it expires or the list is cleared.
    CMessage* Add(const char* text, int noRepeat);
    // Removes the oldest message once it has been shown for the display duration; at most
    // one per call.
    void Update();
    void Clear();

    // Oldest at the head, newest at the tail; the nodes hold owned CMessage pointers.
    CPointerList m_Messages;
    float m_fDuration;
    const double* m_pClock;
    int m_nMaxCount;

private:
    double Now() const;
    void RemoveOldest();
};
