"""Drawing of the launcher's skin images; tools/make_artwork.py writes them out."""
