# 64-bit Windows: the same sources, for machines whose kernel cannot run
# 32-bit code and so cannot run 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(KELVANE_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
