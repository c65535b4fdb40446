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
        # Dwarf unwind tables serve only C++ exceptions, which the product has none of.
        target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables)
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

# Everything else that goes into notepad.exe (cross only).
if(QUILLGATE_CROSS)
    add_library(quillgate_core STATIC)
    quillgate_product_options(quillgate_core)
    target_link_libraries(quillgate_core PUBLIC quillgate_text shell32 shlwapi advapi32 version gdi32 user32 ole32
                                                kernel32 mingwex)
endif()

function(quillgate_win_sources)
    if(QUILLGATE_CROSS)
        target_sources(quillgate_core PRIVATE ${ARGN})
    endif()
endfunction()
