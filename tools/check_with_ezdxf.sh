#!/usr/bin/env bash
# Cross-checks corvane-cli against drawings written by ezdxf (Debian's python3-ezdxf):
# installs ezdxf when missing, builds Corvane, and runs tools/check_with_ezdxf.py.
# Extra arguments go to the Python script (--keep DIR keeps the drawings and outputs).
set -euo pipefail
cd "$(dirname "$0")/.."

# apt's ezdxf belongs to the system Python; a python3 on PATH (pyenv, venv) may lack it.
PYTHON=/usr/bin/python3
if ! "$PYTHON" -c 'import ezdxf' 2>/dev/null; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends python3-ezdxf
fi

bash scripts/build.sh
exec "$PYTHON" tools/check_with_ezdxf.py "$@"
