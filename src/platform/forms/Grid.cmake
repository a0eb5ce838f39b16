# The grid control's sources: target_sources(qm6forms PRIVATE ...)
