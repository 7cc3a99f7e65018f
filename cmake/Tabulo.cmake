# Warnings for our own targets; third-party headers come in as system includes.
function(tabulo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A Qt-free core library of one subsystem.
function(tabulo_core_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    tabulo_warnings(${name})
endfunction()

# Adds sources of one subsystem to the library that holds every form.
function(tabulo_forms_sources)
    target_sources(tabulo_forms PRIVATE ${ARGN})
endfunction()
