# SPDX-License-Identifier: ISC
# Lint while compiling: clang-tidy with the checks in .clang-tidy, and cppcheck; every finding
# fails the build.
find_program(CLANG_TIDY NAMES clang-tidy REQUIRED)
find_program(CPPCHECK NAMES cppcheck REQUIRED)

set(CMAKE_CXX_CLANG_TIDY ${CLANG_TIDY} --quiet --warnings-as-errors=*)
set(CMAKE_C_CLANG_TIDY ${CLANG_TIDY} --quiet --warnings-as-errors=*)

set(cppcheck_args
  --error-exitcode=1 --quiet --inline-suppr
  --enable=warning,style,performance,portability
  --suppress=missingIncludeSystem --suppress=unmatchedSuppression
  --suppress=unknownMacro --suppress=useStlAlgorithm --library=googletest)
set(CMAKE_CXX_CPPCHECK ${CPPCHECK} --std=c++20 ${cppcheck_args})
set(CMAKE_C_CPPCHECK ${CPPCHECK} --std=c11 ${cppcheck_args})
