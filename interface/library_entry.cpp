// The shared library's own translation unit; the exports live in kravent_core.
