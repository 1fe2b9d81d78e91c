// windows library
