# SPDX-License-Identifier: ISC
# Lint while compiling: clang-tidy with the checks in .clang-tidy, and cppcheck. With the
# clang-tidy that CI runs (bookworm's), a finding fails the build; a newer one runs more checks
# under the same patterns, and its findings are shown as warnings, not a broken build.
find_program(CLANG_TIDY NAMES clang-tidy REQUIRED)
find_program(CPPCHECK NAMES cppcheck REQUIRED)

set(CONBITS_CLANG_TIDY_PINNED 14 CACHE STRING "The clang-tidy major version whose findings are errors")
execute_process(COMMAND ${CLANG_TIDY} --version OUTPUT_VARIABLE version)
string(REGEX MATCH "version ([0-9]+)" version "${version}")
set(errors)
if(CMAKE_MATCH_1 STREQUAL CONBITS_CLANG_TIDY_PINNED)
  set(errors --warnings-as-errors=*)
endif()
set(CMAKE_CXX_CLANG_TIDY ${CLANG_TIDY} --quiet ${errors})
set(CMAKE_C_CLANG_TIDY ${CLANG_TIDY} --quiet ${errors})

set(cppcheck_args
  --error-exitcode=1 --quiet --inline-suppr
  --enable=warning,style,performance,portability
  --suppress=missingIncludeSystem --suppress=unmatchedSuppression
  --suppress=unknownMacro --suppress=useStlAlgorithm
  # Information, not a finding: how far a newer cppcheck looked.
  --suppress=normalCheckLevelMaxBranches --suppress=checkersReport)
set(CMAKE_CXX_CPPCHECK ${CPPCHECK} --std=c++20 ${cppcheck_args})
set(CMAKE_C_CPPCHECK ${CPPCHECK} --std=c11 ${cppcheck_args})
