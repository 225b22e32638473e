# Tests of the frame layer
