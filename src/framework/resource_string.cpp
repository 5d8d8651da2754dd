#include "framework/resource_string.h"

#include "framework/win_app.h"

std::string LoadResourceString(UINT nID) {
    std::string text(256, '\0');
    for (;;) {
        const int copied =
            LoadStringA(AfxGetInstanceHandle(), nID, text.data(), static_cast<int>(text.size()));
        // A string that fills the buffer may have been cut: try again with more room.
        if (copied < static_cast<int>(text.size()) - 1) {
            text.resize(static_cast<std::size_t>(copied));
            return text;
        }
        text.resize(text.size() * 2);
    }
}
