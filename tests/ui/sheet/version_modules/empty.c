/* A module that exists only for the version resource it carries. */
int quillgate_version_module;
