# Builds the qzorvex wheel offline from the built package directory:
#   cmake -DPACKAGE_DIR=... -DSTAGE_DIR=... -DDIST_DIR=... -DVERSION=...
#         -DPYTHON=... -DOBJCOPY=... -P build_wheel.cmake
# The package is copied to the stage with its libraries stripped of debug
# information, and python3 -m build makes the wheel there without fetching
# anything (--no-isolation: Debian's setuptools and wheel).
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR}/qzorvex)
file(GLOB files ${PACKAGE_DIR}/*)
foreach(f IN LISTS files)
  if(IS_DIRECTORY ${f})
    continue()
  endif()
  get_filename_component(name ${f} NAME)
  file(COPY_FILE ${f} ${STAGE_DIR}/qzorvex/${name})
  if(name MATCHES "\\.so")
    execute_process(COMMAND ${OBJCOPY} --strip-debug ${STAGE_DIR}/qzorvex/${name}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "stripping ${name} failed")
    endif()
  endif()
endforeach()
file(WRITE ${STAGE_DIR}/pyproject.toml
"[build-system]
requires = [\"setuptools\", \"wheel\"]
build-backend = \"setuptools.build_meta\"
")
file(WRITE ${STAGE_DIR}/setup.py
"from setuptools import setup
from setuptools.dist import Distribution


class BinaryDistribution(Distribution):
    # The package holds a compiled extension and its libraries.
    def has_ext_modules(self):
        return True


setup(
    name='qzorvex',
    version='${VERSION}',
    description='QzOrvex: the document store client automation objects',
    packages=['qzorvex'],
    package_data={'qzorvex': ['*.so', '*.so.*', '*.pyi', 'py.typed']},
    include_package_data=True,
    zip_safe=False,
    python_requires='>=3.9',
    distclass=BinaryDistribution,
)
")
file(MAKE_DIRECTORY ${DIST_DIR})
file(GLOB old ${DIST_DIR}/qzorvex-*.whl)
if(old)
  file(REMOVE ${old})
endif()
execute_process(COMMAND ${PYTHON} -m build --no-isolation --wheel --outdir ${DIST_DIR} ${STAGE_DIR}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "python3 -m build failed in ${STAGE_DIR}")
endif()
