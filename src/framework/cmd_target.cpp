#include "framework/cmd_target.h"

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const MessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT commandId) const {
    for (const MessageMap* map = GetMessageMap(); map != nullptr;
         map = map->baseMap != nullptr ? map->baseMap() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->call != nullptr; ++entry) {
            if (entry->message == message && entry->commandId == commandId) {
                return entry;
            }
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(UINT message, UINT commandId, WPARAM wParam, LPARAM lParam,
                          INT_PTR& result) {
    const MessageMapEntry* entry = FindEntry(message, commandId);
    if (entry == nullptr) {
        return false;
    }
    result = entry->call(*this, wParam, lParam);
    return true;
}
