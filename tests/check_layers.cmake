# Fails when an include runs against the program's layers. From the top: app/ (the application object,
# which owns and wires every window); the subsystem folders ui/main/, editors/, servers/ and wizard/,
# which never include one another; the shared parts of ui/ (seams, fonts, resources, auxiliary
# windows); core/. A file may include its own folder and any layer below it, nothing above; nothing
# includes app/.
set(layer_core 0)
set(layer_ui 1)
set(layer_main 2)
set(layer_editors 2)
set(layer_servers 2)
set(layer_wizard 2)
set(layer_app 3)

# The folder a file of the tree belongs to.
function(folder_of file out)
    file(RELATIVE_PATH rel ${ROOT} ${file})
    if(rel MATCHES "^ui/main/")
        set(${out} main PARENT_SCOPE)
    else()
        string(REGEX REPLACE "/.*" "" top "${rel}")
        set(${out} ${top} PARENT_SCOPE)
    endif()
endfunction()

file(GLOB_RECURSE sources ${ROOT}/app/*.cpp ${ROOT}/app/*.h ${ROOT}/core/*.cpp ${ROOT}/core/*.h ${ROOT}/ui/*.cpp
     ${ROOT}/ui/*.h ${ROOT}/editors/*.cpp ${ROOT}/editors/*.h ${ROOT}/servers/*.cpp ${ROOT}/servers/*.h
     ${ROOT}/wizard/*.cpp ${ROOT}/wizard/*.h)
# Headers are included by name (every folder is on the include path) or, below ui/, by their path there.
foreach(f IN LISTS sources)
    if(f MATCHES "\\.h$")
        get_filename_component(name ${f} NAME)
        folder_of(${f} folder)
        set(owner_${name} ${folder})
        file(RELATIVE_PATH below_ui ${ROOT}/ui ${f})
        set(owner_${below_ui} ${folder})
    endif()
endforeach()

set(faults "")
foreach(f IN LISTS sources)
    folder_of(${f} from)
    file(STRINGS ${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" header "${line}")
        if(NOT DEFINED owner_${header})
            continue() # generated files and the toolkit's own
        endif()
        set(to ${owner_${header}})
        if(to STREQUAL from)
            continue()
        endif()
        if(layer_${to} GREATER layer_${from} OR (layer_${to} EQUAL 2 AND layer_${from} EQUAL 2))
            file(RELATIVE_PATH rel ${ROOT} ${f})
            list(APPEND faults "${rel} (${from}) includes ${header} (${to})")
        endif()
    endforeach()
endforeach()
if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
