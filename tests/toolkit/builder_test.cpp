// written by another change
