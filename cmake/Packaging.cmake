# Packages of the installed tree (cpack -G ZIP for the Windows build).
set(CPACK_PACKAGE_NAME gpenc)
set(CPACK_PACKAGE_VENDOR gpenc)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Encoder of GP frames and JT/T 808 downlink messages")
set(CPACK_GENERATOR ZIP)
include(CPack)
