#!/usr/bin/python3
"""The guide as a reader meets it, in headless Chromium: every picture
loaded, no link to a file that is not beside it, and its first screen saved.

    check-guide.py GUIDE.html SCREENSHOT.png

Prints what is wrong and exits 1, or exits 0.
"""
import os
import sys
import tempfile
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def main():
    guide, screenshot = Path(sys.argv[1]).resolve(), sys.argv[2]
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    profile = tempfile.TemporaryDirectory()
    # Headless, as root, and nothing fetched from the network: a server
    # without one opens the guide just as well.
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1280,900", f"--user-data-dir={profile.name}"):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    problems = []
    try:
        driver.get(guide.as_uri())  # returns once the page and its pictures have loaded
        pictures = driver.execute_script(
            "return Array.from(document.images).map(i => [i.alt, i.complete, i.naturalWidth, i.src.slice(0, 30)]);")
        if len(pictures) < 12:
            problems.append(f"only {len(pictures)} pictures in the guide")
        for alt, complete, width, source in pictures:
            if not complete or width == 0:
                problems.append(f"picture not shown: {alt!r} ({source}…)")
        ids = set(driver.execute_script("return Array.from(document.querySelectorAll('[id]')).map(e => e.id);"))
        links = driver.execute_script(
            "return Array.from(document.querySelectorAll('[href],[src]'))"
            ".map(e => e.getAttribute('href') || e.getAttribute('src'));")
        for link in links:
            if link.startswith("data:"):
                continue
            if link.startswith("#"):
                if link[1:] not in ids and os.path.basename(link[1:]) not in ids:
                    problems.append(f"a link to a place the guide lacks: {link}")
            elif ":" in link or not (guide.parent / link).is_file():
                problems.append(f"a link to what is not beside the guide: {link}")
        if not driver.save_screenshot(screenshot):
            problems.append("no screenshot")
    finally:
        driver.quit()
    for problem in problems:
        print(problem)
    print(f"{len(pictures)} pictures, {len(links)} links checked; first screen: {screenshot}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
