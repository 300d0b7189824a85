# Checks the file the example wrote: a multibody file with the root ground,
# revolute joints from the mates and the weld of the mate set that was reported.
file(READ ${FILE} text)
foreach(needle "<OmbraXMLFile>" "\"RootGround\"" "\"revolute\"" "\"weld\"" "\"prismatic\"")
  string(FIND "${text}" "${needle}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${FILE} lacks ${needle}")
  endif()
endforeach()
