# Fails when a file of the core includes a toolkit header.
file(GLOB_RECURSE sources ${DIR}/*.cpp ${DIR}/*.h ${DIR}/*.in)
foreach(f IN LISTS sources)
    file(STRINGS ${f} hits REGEX "#[ \t]*include[ \t]*[<\"]Q")
    if(hits)
        message(FATAL_ERROR "${f} includes a toolkit header: ${hits}")
    endif()
endforeach()
