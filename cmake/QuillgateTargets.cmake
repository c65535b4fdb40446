# Targets shared by every folder, and the functions through which the folders
# add sources and tests to them. Each folder's CMakeLists.txt only lists files.

set(QUILLGATE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)

function(quillgate_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(QUILLGATE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# The product: small, no exceptions or RTTI, ANSI Win32.
function(quillgate_product_options target)
    quillgate_warnings(${target})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    if(QUILLGATE_CROSS)
        target_compile_options(${target} PRIVATE -Os -fno-exceptions -fno-rtti
                                                 -ffunction-sections -fdata-sections)
        if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
            # Dwarf unwind tables serve only C++ exceptions there; 64-bit
            # Windows needs its unwind data to walk the stack through us.
            target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables)
        endif()
        target_link_options(${target} PRIVATE -Wl,--gc-sections)
        target_compile_definitions(${target} PUBLIC WINVER=0x0501 _WIN32_WINNT=0x0501
                                                    _WIN32_IE=0x0600 NOMINMAX)
    endif()
endfunction()

# Fixed-buffer text logic: builds on both sides, without windows.h.
add_library(quillgate_text STATIC)
quillgate_product_options(quillgate_text)
if(NOT QUILLGATE_CROSS)
    target_compile_options(quillgate_text PRIVATE -fsanitize=address,undefined -g)
endif()

function(quillgate_text_sources)
    target_sources(quillgate_text PRIVATE ${ARGN})
endfunction()

# Delay-loaded import libraries: the settings sheet's DLLs are loaded on
# first use, so forwarding a file (the common road) never loads them.
function(quillgate_delay_import_library dll)
    set(def ${PROJECT_SOURCE_DIR}/cmake/delay/${dll}.def)
    set(lib ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
    set(kill_at)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
        set(kill_at --kill-at) # stdcall names in the .def, plain names in the DLL
    else()
        set(def_source ${def})
        set(def ${CMAKE_BINARY_DIR}/delay/${dll}.def)
        file(READ ${def_source} text)
        string(REGEX REPLACE "@[0-9]+" "" text "${text}")
        file(WRITE ${def} "${text}")
    endif()
    add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
        COMMAND ${QUILLGATE_TRIPLET}-dlltool --input-def ${def} --dllname ${dll}.dll
                --output-delaylib ${lib} ${kill_at}
        DEPENDS ${def})
    add_custom_target(${dll}_delay_lib DEPENDS ${lib})
    add_library(${dll}_delay STATIC IMPORTED GLOBAL)
    set_target_properties(${dll}_delay PROPERTIES IMPORTED_LOCATION ${lib})
    add_dependencies(${dll}_delay ${dll}_delay_lib)
endfunction()

# Everything else that goes into notepad.exe (cross only).
if(QUILLGATE_CROSS)
    quillgate_delay_import_library(comctl32)
    quillgate_delay_import_library(comdlg32)
    add_library(quillgate_core STATIC)
    quillgate_product_options(quillgate_core)
    target_link_libraries(quillgate_core PUBLIC quillgate_text comctl32_delay comdlg32_delay
                                                shell32 shlwapi advapi32 version gdi32 user32
                                                kernel32 mingwex)
endif()

function(quillgate_win_sources)
    if(QUILLGATE_CROSS)
        target_sources(quillgate_core PRIVATE ${ARGN})
    endif()
endfunction()
