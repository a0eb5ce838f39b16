# The grid control's sources.
target_sources(qm6forms PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Grid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GridColor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GridView.cpp
)
