# Helpers shared by the subsystem folders, the runtime executable and the tests.

# The subsystem folders, lowest first; a folder joins the build once it has a CMakeLists.txt.
set(QV_SUBSYSTEMS core host values files windows graphics controls listbox database comms)

# One static library per subsystem folder. Runtime code is built without C++ exceptions: nothing
# may unwind through compiled application code.
function(qv_add_subsystem name)
    add_library(qv_${name} STATIC ${ARGN})
    target_include_directories(qv_${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(qv_${name} PRIVATE -fno-exceptions -Wframe-larger-than=3072)
    set_property(GLOBAL APPEND PROPERTY QV_RUNTIME_LIBRARIES qv_${name})
endfunction()

# Above core and values the subsystems call each other in both directions (the window system draws
# pictures, the graphics draw into windows), so a target sees all of them as one link group.
function(qv_link_runtime target)
    get_property(libraries GLOBAL PROPERTY QV_RUNTIME_LIBRARIES)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PRIVATE
        -Wl,--start-group ${libraries} -Wl,--end-group
        user32 gdi32 comctl32 comdlg32 ole32 oleaut32 shlwapi shell32 advapi32 version winmm ws2_32)
endfunction()
