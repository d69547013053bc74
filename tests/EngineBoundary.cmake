# Fails when a file under ENGINE_DIR includes commctrl.h or resource.h or
# names HWND: window code belongs under src/gui.
file(GLOB_RECURSE sources ${ENGINE_DIR}/*.h ${ENGINE_DIR}/*.cpp)
set(offenders "")
foreach(source ${sources})
    file(STRINGS ${source} hits
         REGEX "#[ \t]*include[ \t]*[<\"](commctrl|resource)\\.h[>\"]|(^|[^A-Za-z0-9_])HWND([^A-Za-z0-9_]|$)")
    foreach(hit ${hits})
        file(RELATIVE_PATH name ${ENGINE_DIR} ${source})
        list(APPEND offenders "src/engine/${name}: ${hit}")
    endforeach()
endforeach()
if(offenders)
    list(JOIN offenders "\n" text)
    message(FATAL_ERROR "Window code in the engines:\n${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} engine files, none with window code")
