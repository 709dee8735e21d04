# layer(target): the target is the layer of the folder it is made in. Its
# sources, and the targets that link it, include its headers as
# "<folder>/...". Each layer's include directory holds its own folder and
# nothing else, so a header of a layer that a target does not link does not
# even exist for it: an include across layers that is not declared fails to
# build.
function(layer target)
    get_target_property(type ${target} TYPE)
    set(scope PUBLIC)
    if(type STREQUAL "INTERFACE_LIBRARY")
        set(scope INTERFACE)
    endif()
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(root ${CMAKE_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    target_include_directories(${target} ${scope} ${root})
endfunction()
