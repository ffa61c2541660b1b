#pragma once
// SOCI, included through here. The installed soci-config.h announces Boost
// support, but Boost's headers are not part of the build; that support is
// header templates only (Boost.Fusion and Boost date bindings), so it is
// switched off before SOCI's headers are read.

#include <soci/soci-config.h>
#undef SOCI_HAVE_BOOST
#undef SOCI_HAVE_BOOST_DATE_TIME
#include <soci/soci.h>
