"""numpy's old alias np.bool, which some of Blender's glTF importers use.

numpy 1.24 removed the alias (numpy 2 brings it back); Debian 12's Blender
3.4 imports no glTF file without it. It is supplied only where it is missing.
"""


def supply_numpy_bool_alias():
    """Puts np.bool back where numpy lacks it; True when it had to."""
    try:
        import numpy
    except ImportError:
        return False
    # numpy.__dict__ rather than hasattr: numpy 1.24 warns on every look-up of the removed name.
    if "bool" in numpy.__dict__:
        return False
    numpy.bool = bool
    return True
