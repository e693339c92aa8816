#!/bin/sh
# Shows that the tool's own code allocates nothing on the heap: none of its
# object files refers to an allocator. (The C runtime's own buffers, such as
# a stream's, are the runtime's business.)  Usage: check_no_heap.sh <nm> <archive or object>...
nm=$1
shift
allocators='^(malloc|calloc|realloc|free|strdup|Znwj|Znaj|ZdlPv|ZdaPv|ZdlPvj|HeapAlloc|HeapReAlloc|LocalAlloc|LocalReAlloc|GlobalAlloc|GlobalReAlloc|VirtualAlloc|CoTaskMemAlloc|SysAllocString.*|alloca)(@[0-9]+)?$'
found=$("$nm" -u "$@" | sed 's/^ *U _*//; s/^__imp__*//' | grep -E "$allocators" | sort -u)
if [ -n "$found" ]; then
    echo "the tool's code refers to allocators:"
    "$nm" -A -u "$@" | grep -E "$(echo "$found" | tr '\n' '|' | sed 's/|$//')"
    exit 1
fi
count=$("$nm" -u "$@" | grep -c ' U ')
echo "no allocator among the $count external references of: $*"
