target_sources(compat PRIVATE)
