#pragma once

// Who makes Kelvane. Plain macros, since the resource script shows them too; the build derives
// the web-link button's caption from the address.

#define KELVANE_WEB_ADDRESS "http://www.kelvane.example/"
#define KELVANE_COPYRIGHT "Copyright (C) 2026 Kelvane"
