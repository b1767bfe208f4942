# log4cplus, narrow or wide: a UNICODE (wide) build exports log4cplusU, and its
# users are compiled with UNICODE defined. Sets GPENC_LOG4CPLUS to the target.
find_package(log4cplus CONFIG REQUIRED)
if(TARGET log4cplus::log4cplusU)
  set(GPENC_LOG4CPLUS log4cplus::log4cplusU)
else()
  set(GPENC_LOG4CPLUS log4cplus::log4cplus)
endif()
