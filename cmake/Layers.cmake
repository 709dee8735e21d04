# layer(target [PUBLIC_HEADERS header...]): the target is the layer of the
# folder it is made in. Its sources include its headers as "<folder>/...",
# and so do the targets that link it, which see only its public headers when
# they are named (else its whole folder): an include across layers that is
# not declared fails to build, and a layer's insides stay its own. A target
# <folder>-insides, for tests, sees the whole folder.
function(layer target)
    cmake_parse_arguments(ARG "" "" "PUBLIC_HEADERS" ${ARGN})
    get_target_property(type ${target} TYPE)
    set(scope PUBLIC)
    if(type STREQUAL "INTERFACE_LIBRARY")
        set(scope INTERFACE)
    endif()
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(whole ${CMAKE_BINARY_DIR}/layers/whole/${folder})
    file(MAKE_DIRECTORY ${whole})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${whole}/${folder} SYMBOLIC)
    if(NOT ARG_PUBLIC_HEADERS)
        target_include_directories(${target} ${scope} ${whole})
        return()
    endif()
    set(public ${CMAKE_BINARY_DIR}/layers/public/${folder})
    file(REMOVE_RECURSE ${public})
    foreach(header ${ARG_PUBLIC_HEADERS})
        get_filename_component(subfolder ${public}/${folder}/${header} DIRECTORY)
        file(MAKE_DIRECTORY ${subfolder})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${public}/${folder}/${header} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PRIVATE ${whole} INTERFACE ${public})
    add_library(${folder}-insides INTERFACE)
    target_include_directories(${folder}-insides INTERFACE ${whole})
    target_link_libraries(${folder}-insides INTERFACE ${target})
endfunction()
