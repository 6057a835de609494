"""Finding xfileconvert and running it.

The converter is looked for, in order: the path set in the add-on's
preferences, `xfileconvert` on the PATH, and the copy bundled with the add-on
for the running platform (bin/linux-x86_64/xfileconvert,
bin/windows-x86_64/xfileconvert.exe). The first that runs is used; where none
does, the error says every place looked at and why it was passed over.
"""

import os
import platform
import shutil
import subprocess
import sys

# How long a check that a converter runs (its --help) may take.
_PROBE_SECONDS = 30


class ConverterError(Exception):
    """A converter that cannot be found or run, or that refused its work."""


def bundled_converter():
    """The converter bundled for this platform, or None where none is made."""
    machine = platform.machine().lower()
    if machine not in ("x86_64", "amd64"):
        return None
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bin")
    if sys.platform.startswith("linux"):
        return os.path.join(folder, "linux-x86_64", "xfileconvert")
    if sys.platform == "win32":
        return os.path.join(folder, "windows-x86_64", "xfileconvert.exe")
    return None


def _make_runnable(path):
    """Blender installs an add-on from a zip without the files' executable bits."""
    if sys.platform != "win32" and not os.access(path, os.X_OK):
        try:
            os.chmod(path, os.stat(path).st_mode | 0o755)
        except OSError:
            pass  # said when it fails to run


def _runs(path):
    """None when `path` runs as a converter, else why it does not."""
    if not os.path.isfile(path):
        return "no such file"
    _make_runnable(path)
    try:
        probe = subprocess.run([path, "--help"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               timeout=_PROBE_SECONDS)
    except (OSError, subprocess.SubprocessError) as error:
        return "it cannot be run (%s)" % error
    if probe.returncode != 0 or b"xfileconvert" not in probe.stdout:
        return "it does not run as xfileconvert (exit status %d)" % probe.returncode
    return None


def find_converter(preferred_path=""):
    """The path of a converter that runs; raises ConverterError saying where it looked."""
    places = [("the add-on's preferences", bpy_abspath(preferred_path) if preferred_path else None, "no path set"),
              ("the PATH", shutil.which("xfileconvert"), "no xfileconvert"),
              ("the add-on's own copy", bundled_converter(),
               "none for %s %s" % (sys.platform, platform.machine()))]
    looked = []
    for where, path, missing in places:
        if path is None:
            looked.append("%s: %s" % (where, missing))
            continue
        why = _runs(path)
        if why is None:
            return path
        looked.append("%s: %s: %s" % (where, path, why))
    raise ConverterError("xfileconvert was not found or does not run; looked at " + "; ".join(looked))


def bpy_abspath(path):
    """A path from Blender's preferences, where '//' means the .blend file's folder."""
    try:
        import bpy
        return bpy.path.abspath(path)
    except ImportError:
        return path


# The converter's exit status for a command line it does not take; its first
# line says why, the usage follows.
_USAGE_STATUS = 2


def run_converter(converter, arguments):
    """Runs the converter; returns (exit status, its lines on standard error,
    less the usage after a mistaken command line)."""
    try:
        finished = subprocess.run([converter] + list(arguments), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    except OSError as error:
        raise ConverterError("xfileconvert (%s) cannot be run: %s" % (converter, error))
    lines = [line for line in finished.stderr.decode("utf-8", "replace").splitlines() if line.strip()]
    if finished.returncode == _USAGE_STATUS:
        lines = lines[:1] + ["(this xfileconvert, %s, does not take the add-on's command line)" % converter]
    return finished.returncode, lines
