#pragma once

#include <windows.h>

#include "framework/message_map.h"

// Base of every class with a table of handled messages: the dialogs and the application.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler of the message from this class's table or a base class's. False when no
    // table has a row for it; result is then left alone.
    bool OnCmdMsg(UINT message, UINT commandId, WPARAM wParam, LPARAM lParam, INT_PTR& result);

protected:
    // The root of every chain of tables: no rows, no base.
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

private:
    const MessageMapEntry* FindEntry(UINT message, UINT commandId) const;
};
