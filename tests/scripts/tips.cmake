# The tip logic is plain C++ kept beside its dialog; the core tests compile it in directly so
# they need no Qt.
target_sources(plinkora_core_tests PRIVATE ${PROJECT_SOURCE_DIR}/dialogs/tips.cpp)
