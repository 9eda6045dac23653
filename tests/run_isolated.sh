#!/bin/sh
# Runs one test process with a scratch folder of its own. CTest starts tests
# side by side, so anything a test writes under a fixed name (a profile file
# in the temporary folder, the registry hives under the user's configuration
# folder) would otherwise be shared by tests that happen to run together.
# The folder is the process's temporary folder, GoogleTest's TempDir() and
# the configuration folder the registry defaults to; it goes when the test
# ends.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/gly-test-XXXXXX") || exit 1
mkdir -p "$scratch/config" || exit 1
# Open to others like the system's temporary folder, so a test that drops
# to an ordinary user can still reach the files it set up.
chmod 755 "$scratch" || exit 1
TMPDIR=$scratch TEST_TMPDIR=$scratch/ XDG_CONFIG_HOME=$scratch/config
export TMPDIR TEST_TMPDIR XDG_CONFIG_HOME
"$@"
status=$?
rm -rf "$scratch"
exit $status
