# Fails when a layer of src/ includes a layer above it (or, for cli, a layer of
# the window program), when a layer that must build without Qt includes it, or
# when a layer that runs without a display includes a GUI header.
# Run as: cmake -DSRC=<src folder> -P <this>.
cmake_minimum_required(VERSION 3.20)
set(qt_free hid protocol sim)
# Layers that run without a display: Qt Core only.
set(qt_core_only profile link cli)
set(above_hid sim protocol profile link widgets windows main app cli)
set(above_protocol hid sim profile link widgets windows main app cli)
set(above_sim protocol profile link widgets windows main app cli)
set(above_profile hid sim link widgets windows main app cli)
set(above_link widgets windows main app cli)
set(above_widgets windows main app cli)
set(above_windows main app cli)
set(above_main app cli)
# brevalon-cli stands beside the window program and uses none of its layers.
set(above_cli widgets windows main app)

set(faults "")
foreach(layer hid protocol sim profile link widgets windows main cli)
    file(GLOB_RECURSE files "${SRC}/${layer}/*.h" "${SRC}/${layer}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS includes)
            foreach(upper IN LISTS above_${layer})
                if(line MATCHES "\"${upper}/")
                    list(APPEND faults "${file}: ${line}")
                endif()
            endforeach()
            if(layer IN_LIST qt_free AND line MATCHES "<Q[A-Za-z]*>|<Qt")
                list(APPEND faults "${file}: ${line} (this layer builds without Qt)")
            endif()
            if(layer IN_LIST qt_core_only AND line MATCHES "<Qt(Gui|Widgets)|<Q(Application|Widget|GuiApplication|Dialog|MessageBox)>")
                list(APPEND faults "${file}: ${line} (this layer runs without a display)")
            endif()
        endforeach()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "A layer includes one above it:\n${text}")
endif()
