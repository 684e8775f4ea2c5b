# The index.dat reader and wiper (included from src/CMakeLists.txt).
target_sources(klarvex_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/IndexDat.h
    ${CMAKE_CURRENT_LIST_DIR}/IndexDat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CookiesKeepList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PStorage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IEHelpers.h
)
target_sources(klarvex_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatView.h
    ${CMAKE_CURRENT_LIST_DIR}/IndexDatView.cpp
)
