# Warnings on for every target of the project; the build is kept clean of them.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor)
