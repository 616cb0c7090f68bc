#!/usr/bin/env python3
"""Compiles the Windows program's help file:
    make_help.py CHMCMD OUT.chm STAGE COMMON_PAGES WINDOWS_PAGES

The pages are the program's help pages (COMMON_PAGES), each replaced by the page of the same
name in WINDOWS_PAGES where the Windows program differs, and the Windows pages of their own.
They are laid out in STAGE with an HTML Help project and its table of contents, then chmcmd
(Free Pascal's CHM compiler) writes OUT.chm. The table of contents follows the start page:
"default.htm" first, then every page its contents table links to, in that order, then any page
it does not link to, by name. Each entry is named by its page's <title>.
"""
import html
import os
import re
import shutil
import subprocess
import sys

START_PAGE = "default.htm"


def page_title(path):
    with open(path, encoding="utf-8") as page:
        found = re.search(r"<title>(.*?)</title>", page.read(), re.S | re.I)
    if not found:
        raise ValueError(f"{path}: the page has no <title>")
    return html.unescape(" ".join(found.group(1).split()))


def stage_pages(stage, folders):
    shutil.rmtree(stage, ignore_errors=True)
    os.makedirs(stage)
    for folder in folders:  # later folders replace earlier pages of the same name
        for name in sorted(os.listdir(folder)):
            if name.endswith((".htm", ".css")):
                shutil.copyfile(os.path.join(folder, name), os.path.join(stage, name))
    pages = sorted(name for name in os.listdir(stage) if name.endswith(".htm"))
    if START_PAGE not in pages:
        raise ValueError(f"no {START_PAGE} among the help pages")
    return pages


def contents_order(stage, pages):
    with open(os.path.join(stage, START_PAGE), encoding="utf-8") as start:
        linked = re.findall(r'<a href="([^"#]+\.htm)"', start.read())
    order = [START_PAGE]
    for name in linked + pages:
        if name in pages and name not in order:
            order.append(name)
    return order


def sitemap_entry(name, title):
    return ('<LI><OBJECT type="text/sitemap">'
            f'<param name="Name" value="{html.escape(title)}">'
            f'<param name="Local" value="{name}"></OBJECT>\n')


def write_project(stage, chm_name, order):
    titles = {name: page_title(os.path.join(stage, name)) for name in order}
    with open(os.path.join(stage, "Plinkora.hhc"), "w", encoding="utf-8") as toc:
        toc.write('<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML><HEAD></HEAD><BODY>\n'
                  "<UL>\n")
        for name in order:
            toc.write(sitemap_entry(name, titles[name]))
        toc.write("</UL>\n</BODY></HTML>\n")
    files = order + sorted(n for n in os.listdir(stage) if n.endswith(".css"))
    with open(os.path.join(stage, "Plinkora.hhp"), "w", encoding="utf-8") as project:
        project.write("[OPTIONS]\n"
                      "Compatibility=1.1 or later\n"
                      f"Compiled file={chm_name}\n"
                      "Contents file=Plinkora.hhc\n"
                      f"Default topic={START_PAGE}\n"
                      "Default Window=main\n"
                      "Display compile progress=No\n"
                      "Full-text search=Yes\n"
                      "Language=0x409 English (United States)\n"
                      "Title=Plinkora Help\n\n"
                      "[WINDOWS]\n"
                      f'main="Plinkora Help","Plinkora.hhc",,"{START_PAGE}","{START_PAGE}"'
                      ",,,,,0x2520,,0x387e,,,,,,,,0\n\n"
                      "[FILES]\n" + "".join(name + "\n" for name in files))


def main():
    if len(sys.argv) < 5:
        sys.exit("usage: make_help.py CHMCMD OUT.chm STAGE PAGES_FOLDER...")
    chmcmd, output, stage, folders = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    try:
        pages = stage_pages(stage, folders)
        chm_name = os.path.basename(output)
        write_project(stage, chm_name, contents_order(stage, pages))
    except (OSError, ValueError) as error:
        sys.exit(f"make_help.py: {error}")
    # chmcmd writes beside the project and says little when it fails: its output is shown then.
    result = subprocess.run([chmcmd, "--no-html-scan", "Plinkora.hhp"], cwd=stage,
                            capture_output=True, text=True)
    built = os.path.join(stage, chm_name)
    if result.returncode != 0 or not os.path.isfile(built):
        sys.exit(f"make_help.py: chmcmd failed ({result.returncode}):\n"
                 f"{result.stdout}{result.stderr}")
    os.replace(built, output)


if __name__ == "__main__":
    main()
