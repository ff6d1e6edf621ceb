# The core is six layers, each a static library built from one folder, and
# each may use only the layers it links:
#   base <- model <- generators <- generation
#           model <- dbimport
#   generation, dbimport <- migration
# (model holds the model's rules, so dbimport checks a project it reads
# from a database without the generators; migration pairs a database read
# by dbimport with the structures generation recorded.)
# A layer's headers are reached through an include root of its own that
# holds nothing but a link to its folder. A library sees its own root and,
# through what it links, the roots of the layers below; an include of a
# higher layer finds no file and does not build.
function(quorrel_layer name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
