# Writes OUTPUT, a C++ source defining kModuleBuildTime: now (or SOURCE_DATE_EPOCH when set, for
# reproducible builds) in seconds since 1970, UTC. Runs at build time.
string(TIMESTAMP seconds "%s" UTC)
file(WRITE ${OUTPUT} "// Generated at build time by cmake/WriteBuildTime.cmake.\n"
  "#include \"module/entry/module_build_time.h\"\n\n"
  "const std::int64_t kModuleBuildTime = ${seconds};\n")
