# Writes the Debian changelog of the native package: one entry for VERSION, dated EPOCH.
#   cmake -DVERSION=0.1.0 -DEPOCH=1700000000 -DOUTPUT=changelog -P write_changelog.cmake
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${OUTPUT}
     "corvane (${VERSION}) unstable; urgency=medium\n\n"
     "  * Corvane ${VERSION}: the desktop program corvane and the command-line tool\n"
     "    corvane-cli, installed under /usr/lib/corvane.\n\n"
     " -- Tessoran <support@tessoran.example>  ${date}\n")
