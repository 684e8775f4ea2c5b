# nlohmann-json (Debian's nlohmann-json3-dev), header-only. The cross
# compiler must not search /usr/include, whose other headers are Linux's:
# the build gets an include folder of its own that holds the nlohmann
# headers and nothing else.
find_path(KLARVEX_NLOHMANN_ROOT nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT KLARVEX_NLOHMANN_ROOT)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev (scripts/setup.sh does)")
endif()
set(KLARVEX_NLOHMANN_INCLUDE ${CMAKE_BINARY_DIR}/nlohmann-include)
file(COPY ${KLARVEX_NLOHMANN_ROOT}/nlohmann DESTINATION ${KLARVEX_NLOHMANN_INCLUDE})
add_library(klarvex_json INTERFACE)
target_include_directories(klarvex_json SYSTEM INTERFACE ${KLARVEX_NLOHMANN_INCLUDE})
