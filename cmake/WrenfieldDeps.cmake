# Where scripts/setup.sh installs what the Windows builds and some tests need
# (GoogleTest, libjpeg-turbo, liblzma and libarchive for each MinGW triplet, and
# libarchive's sample archives): $WRENFIELD_DEPS, or this default. The scripts read
# the default from here too. The first configure remembers the prefix.
set(WRENFIELD_DEPS_DEFAULT /opt/wrenfield-deps)
if(DEFINED ENV{WRENFIELD_DEPS})
  set(WRENFIELD_DEPS "$ENV{WRENFIELD_DEPS}" CACHE PATH "Prefix of the installed dependencies" FORCE)
else()
  set(WRENFIELD_DEPS ${WRENFIELD_DEPS_DEFAULT} CACHE PATH "Prefix of the installed dependencies")
endif()
