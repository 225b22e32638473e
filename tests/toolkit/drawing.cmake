# Tests of the drawing layer
