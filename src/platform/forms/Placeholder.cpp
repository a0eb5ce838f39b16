// Replaced by the first control of the forms package.
