"""revtick's build-number header for Bazel.

    load("@revtick//:revtick.bzl", "revtick_header")

    revtick_header(name = "version", counter = "build_number")

    cc_binary(name = "app", srcs = ["main.cpp"], deps = [":version"])

makes `version.h` (`out`), which main.cpp includes as "version.h", from the
number the workspace status command (revtick_status.sh, named in .bazelrc)
put in the stable status: revtick-step writes it, reading the counter
(`-c`) with the number given, so the header holds exactly the lines the
status command's own run of revtick-step wrote. The action reads the
stable status alone, never the volatile one: it runs again only when the
number changes, and then only the sources that include the header are
compiled again. The header is always stamped, whatever --stamp says.
"""

# The number and the program from the status; -n when the status command
# ran with it. The header's text is revtick-step's.
_WRITE = """
status=$1 counter=$2 header=$3 name=$4
number=$(sed -n "s/^STABLE_$name //p" "$status")
step=$(sed -n 's/^STABLE_REVTICK_STEP //p' "$status")
if [ -z "$number" ] || [ -z "$step" ]; then
  echo "$counter: error: no STABLE_$name in the workspace status: name revtick_status.sh \
in --workspace_status_command (.bazelrc), and give revtick_header the counter's macro name" >&2
  exit 1
fi
next=
if grep -q "^STABLE_${name}Next " "$status"; then next=-n; fi
REVTICK_BUILD_NUMBER=$number exec "$step" -c $next "$counter" "$header"
"""

def _revtick_header_impl(ctx):
    header = ctx.actions.declare_file(ctx.attr.out)
    ctx.actions.run_shell(
        inputs = [ctx.info_file, ctx.file.counter],
        outputs = [header],
        command = _WRITE,
        arguments = [ctx.info_file.path, ctx.file.counter.path, header.path, ctx.attr.macro],
        mnemonic = "RevtickHeader",
        progress_message = "Writing %s from the build number" % header.short_path,
    )
    return [DefaultInfo(files = depset([header]))]

_revtick_header = rule(
    implementation = _revtick_header_impl,
    attrs = {
        "counter": attr.label(allow_single_file = True, mandatory = True),
        "out": attr.string(mandatory = True),
        "macro": attr.string(mandatory = True),
    },
)

def revtick_header(name, counter, out = "version.h", macro = "BUILD_NUMBER", **kwargs):
    """The generated header, as a cc_library `name` for the sources that include it.

    Args:
      name: the library the including targets list in deps.
      counter: the counter the status command raises (a file in this package).
      out: the header's name, included as is.
      macro: the counter's macro name, BUILD_NUMBER in `#define BUILD_NUMBER 41`.
      **kwargs: for the cc_library (visibility, ...).
    """
    _revtick_header(name = name + "_header", counter = counter, out = out, macro = macro)
    native.cc_library(
        name = name,
        hdrs = [":" + name + "_header"],
        # "version.h" from any package, as the sources of the other builds say.
        strip_include_prefix = "/" + native.package_name(),
        **kwargs
    )
