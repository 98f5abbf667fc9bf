// The one way in to the SQL library. Its configuration header claims Boost
// support that the installed package does not carry, so those switches are
// taken back before the library's headers are read. Include this in .cpp
// files only: the library's headers are large.
#pragma once

#include <soci/soci-config.h>
#undef SOCI_HAVE_BOOST
#undef SOCI_HAVE_BOOST_DATE_TIME
#include <soci/soci.h>
