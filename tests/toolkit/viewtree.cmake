# Tests of the viewtree layer
