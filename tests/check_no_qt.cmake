# Fails when a toolkit-free file (the core, the mdl modules of the editors and the address book, the server
# status model) includes a toolkit header.
file(GLOB_RECURSE sources ${ROOT}/core/*.cpp ${ROOT}/core/*.h ${ROOT}/core/*.in ${ROOT}/editors/mdl*
     ${ROOT}/servers/mdl* ${ROOT}/servers/serverstatus* ${ROOT}/wizard/mdl*)
foreach(f IN LISTS sources)
    file(STRINGS ${f} hits REGEX "#[ \t]*include[ \t]*[<\"]Q")
    if(hits)
        message(FATAL_ERROR "${f} includes a toolkit header: ${hits}")
    endif()
endforeach()
