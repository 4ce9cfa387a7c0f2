# SPDX-License-Identifier: ISC
# Lint while compiling: clang-tidy with the checks in .clang-tidy, and cppcheck. A finding of a
# check the project chose fails the build; one of a check that a newer tool brings is shown.
find_program(CLANG_TIDY NAMES clang-tidy REQUIRED)
find_program(CPPCHECK NAMES cppcheck REQUIRED)

file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/clang-tidy-errors.txt chosen REGEX "^[a-z]")
list(JOIN chosen "," chosen)
set(CMAKE_CXX_CLANG_TIDY ${CLANG_TIDY} --quiet --warnings-as-errors=${chosen})
set(CMAKE_C_CLANG_TIDY ${CLANG_TIDY} --quiet --warnings-as-errors=${chosen})

set(cppcheck_args
  --error-exitcode=1 --quiet --inline-suppr
  --enable=warning,style,performance,portability
  --suppress=missingIncludeSystem --suppress=unmatchedSuppression
  --suppress=unknownMacro --suppress=useStlAlgorithm --library=googletest
  # Information, not a finding: how far a newer cppcheck looked.
  --suppress=normalCheckLevelMaxBranches --suppress=checkersReport)
set(CMAKE_CXX_CPPCHECK ${CPPCHECK} --std=c++20 ${cppcheck_args})
set(CMAKE_C_CPPCHECK ${CPPCHECK} --std=c11 ${cppcheck_args})
